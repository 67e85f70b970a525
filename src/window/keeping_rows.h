#pragma once

#include <cstddef>
#include <new>
#include <string_view>

#include "platform/memory_reserve.h"
#include "window/window_texts.h"

namespace catalog::window {

// Runs a window's command, `handler`, so that running out of memory in it leaves the rows as
// they were (the window layer and the views change nothing until what they need is had) and
// says so through `showStatus`: an exception that reached the toolkit would end the program,
// and the rows with it. `action` and `rows` name what was asked, for the status.
template <typename Handler, typename ShowStatus>
void keepingRows(std::string_view action, std::size_t rows, Handler handler,
                 ShowStatus showStatus) {
    try {
        handler();
    } catch (const std::bad_alloc&) {
        // The reserve that lets the program report running out of memory may have gone to it.
        keepMemoryForFailures();
        try {
            showStatus(shortOfMemoryStatus(action, rows));
        } catch (const std::bad_alloc&) {
            // Not even the status found room; the rows are kept all the same.
        }
    }
}

}  // namespace catalog::window
