#include "platform/paths.h"

#include <cctype>
#include <string>

namespace catalog {

namespace {

bool isSlash(char c) {
    return c == '\\' || c == '/';
}

bool hasDriveLetter(std::string_view name) {
    return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) != 0 &&
           name[1] == ':';
}

// "\\?\" and "\\.\" (or with "/"), which the system takes past its usual rules.
bool hasDevicePrefix(std::string_view name) {
    return name.size() >= 4 && isSlash(name[0]) && isSlash(name[1]) &&
           (name[2] == '?' || name[2] == '.') && isSlash(name[3]);
}

bool hasSharePrefix(std::string_view name) {
    return name.size() >= 2 && isSlash(name[0]) && isSlash(name[1]);
}

std::string_view lastName(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    path.remove_prefix(slash == std::string_view::npos ? 0 : slash + 1);
    if (hasDriveLetter(path)) {
        path.remove_prefix(2);
    }
    return path;
}

// The name before its extension, trailing dots and blanks, which the system drops.
std::string_view stem(std::string_view name) {
    const std::size_t dot = name.find('.');
    name = name.substr(0, dot);
    while (!name.empty() && name.back() == ' ') {
        name.remove_suffix(1);
    }
    return name;
}

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

}  // namespace

bool isFullPathHere(std::string_view name) {
    if (!kWindowsNameRules) {
        return name.starts_with('/');
    }
    return hasDriveLetter(name) || hasSharePrefix(name);
}

// A share's root is its first two names: "\\server\share", and so "\\?\C:" after a prefix.
std::string_view rootOf(std::string_view path) {
    if (!kWindowsNameRules) {
        return {};
    }
    if (hasDriveLetter(path)) {
        return path.substr(0, 2);
    }
    if (!hasSharePrefix(path)) {
        return {};
    }
    const std::size_t server = path.find_first_of("\\/", 2);
    if (server == std::string_view::npos) {
        return path;
    }
    return path.substr(0, path.find_first_of("\\/", server + 1));
}

bool isWindowsDeviceName(std::string_view path) {
    const std::string name = upper(stem(lastName(path)));
    if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL") {
        return true;
    }
    return name.size() == 4 && (name.starts_with("COM") || name.starts_with("LPT")) &&
           std::isdigit(static_cast<unsigned char>(name[3])) != 0;
}

std::string nameAsMade(std::string_view path) {
    const std::string_view name = lastName(path);
    if (!kWindowsNameRules || hasDevicePrefix(path) || name == "." || name == "..") {
        return std::string(path);
    }
    const std::size_t kept = name.find_last_not_of(". ");
    // A name of dots and blanks alone is left to the system, which makes no such file.
    if (kept == std::string_view::npos) {
        return std::string(path);
    }
    return std::string(path.substr(0, path.size() - name.size() + kept + 1));
}

bool namesFileStream(std::string_view path) {
    if (!kWindowsNameRules) {
        return false;
    }
    if (hasDevicePrefix(path)) {
        path.remove_prefix(4);
    }
    if (hasDriveLetter(path)) {
        path.remove_prefix(2);
    }
    return path.find(':') != std::string_view::npos;
}

}  // namespace catalog
