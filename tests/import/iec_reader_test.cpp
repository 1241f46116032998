#include "import/reader_fixture.h"
