// Prints the text of one control of the program's window, as UTF-8, for the window's test to read
// what no X tool can: the status.
//   control_text.exe CONTROL_ID
#include <cstdio>
#include <cstdlib>
#include <string>
#include <windows.h>

#include "platform/wtf8.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: control_text CONTROL_ID\n", stderr);
        return 2;
    }
    HWND window = ::FindWindowW(L"CatalogCollectorForm1", nullptr);
    HWND control = window == nullptr ? nullptr : ::GetDlgItem(window, std::atoi(argv[1]));
    if (control == nullptr) {
        std::fputs("control_text: no such control\n", stderr);
        return 1;
    }
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    const std::string utf8 = catalog::win32::utf8FromWide(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    return 0;
}
