#include "form/directory_field.h"

#include <gtest/gtest.h>

#include "form/form1.h"

namespace sorvane {
namespace {

TEST(DirectoryField, FolderIsTheTextFromTheEleventhCharacter) {
    struct Case {
        const char* text;
        const char* folder;
    };
    const Case cases[] = {
        {"open dir: C:\\data\\", "C:\\data\\"},
        {"open dir: C:\\", "C:\\"},
        {"abc", ""},
        {"Text9", ""},
        {"open dir: ", ""},
        {"0123456789/x/", "/x/"},  // the prefix itself is not checked
    };
    for (const Case& c : cases) EXPECT_EQ(folder_of_field(TextBox{c.text}), c.folder) << c.text;
}

TEST(DirectoryField, ShowingAFolderPutsThePrefixFirst) {
    Form1 form;
    EXPECT_EQ(folder_of_field(form.Text9[0]), "");
    show_folder_in_field(form.Text9[1], "C:\\data\\spectra\\");
    EXPECT_EQ(form.Text9[1].text, "open dir: C:\\data\\spectra\\");
    EXPECT_EQ(folder_of_field(form.Text9[1]), "C:\\data\\spectra\\");
}

}  // namespace
}  // namespace sorvane
