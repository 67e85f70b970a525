#!/bin/sh
# Each layer reaches only those below it: the platform knows nothing of the collection or the
# window; the window layer takes no toolkit or system header, so that both views share it; and
# the views reach the collection only through the window layer, by what they include and by the
# names they use (a name of the collection's may come through a header of the window layer).
# Usage: layers_test.sh SRC SYSTEM_INCLUDE_REGEX
src=$1
system_include=$2
views="$src/app/qt $src/app/win32"
status=0

refuse() {
    echo "$1" >&2
    status=1
}

grep -rnE '#include "(collect|window)/' "$src/platform" &&
    refuse "the platform includes a layer above it"
grep -rnE "#include <Q|$system_include" "$src/window" &&
    refuse "the window layer includes a toolkit or system header"
grep -rnE '#include "collect/' $views && refuse "a view includes the collection"
grep -rnE '^ *using (catalog::[A-Za-z_]|namespace catalog)' "$src/window" &&
    refuse "the window layer passes the collection's names on as its own"

# The collection's types, constants and functions, as its headers declare them at namespace scope.
names=$(sed -nE '
    s/^(struct|class|enum class|enum) ([A-Za-z_][A-Za-z0-9_]*).*/\2/p
    s/^using ([A-Za-z_][A-Za-z0-9_]*) =.*/\1/p
    s/^(inline )?constexpr [^=(]* ([A-Za-z_][A-Za-z0-9_]*) =.*/\2/p
    s/^[A-Za-z_][A-Za-z0-9_:<>, *&]* [*&]*([a-z_][A-Za-z0-9_]*)\(.*/\1/p' "$src"/collect/*.h |
    sort -u | paste -sd'|')
[ -n "$names" ] || refuse "no names found in $src/collect"
for file in $(find $views -name '*.cpp' -o -name '*.h'); do
    # Code only: a comment may speak of the collection. The window layer's own names may match.
    used=$(sed -E 's#//.*##' "$file" | grep -nwE "$names" | grep -vE "window::($names)\b")
    [ -z "$used" ] || refuse "$file uses the collection's names, not the window layer's:
$used"
done
exit $status
