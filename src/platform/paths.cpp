#include "platform/paths.h"

#include <cctype>

namespace catalog {

namespace {

bool isSlash(char c) {
    return c == '\\' || c == '/';
}

bool hasDriveLetter(std::string_view name) {
    return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) != 0 &&
           name[1] == ':';
}

bool hasSharePrefix(std::string_view name) {
    return name.size() >= 2 && isSlash(name[0]) && isSlash(name[1]);
}

}  // namespace

bool isFullPathHere(std::string_view name) {
    return kWindowsNameRules && (hasDriveLetter(name) || hasSharePrefix(name));
}

}  // namespace catalog
