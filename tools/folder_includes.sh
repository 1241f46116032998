#!/bin/sh
# Lists, for each folder of src/ and for runtime/, the folders its files include
# ("#include \"folder/...\""); "runtime" where a src/ file includes a header of the
# runtime's own folder by its bare name.
# Usage: tools/folder_includes.sh [SOURCE_TREE]
cd "${1:-$(dirname "$0")/..}" || exit 1
for dir in src/* runtime; do
    [ -d "$dir" ] || continue
    own=$(basename "$dir")
    used=$(grep -rhoE '^#include "[A-Za-z_]+/' "$dir" --include='*.cpp' --include='*.h' |
        sed -E 's/#include "//; s|/$||' | grep -vx "$own" | sort -u | tr '\n' ' ')
    if [ "$dir" != runtime ]; then
        for header in $(ls runtime/*.h 2>/dev/null | xargs -n1 basename 2>/dev/null); do
            if grep -rqE "^#include \"$header\"" "$dir" --include='*.cpp' --include='*.h'; then
                used="$used runtime"
                break
            fi
        done
    fi
    echo "$dir: $used"
done
