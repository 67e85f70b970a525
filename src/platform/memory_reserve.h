#pragma once

#include <cstddef>

namespace catalog {

// Sets a little memory aside for the moment there is none left. C++ reports running out of
// memory with an exception, and throwing one takes memory too: where none is left, not even in
// the runtime's own small pool, the program would abort instead of saying so. Once an
// allocation fails, the reserve is given back just before std::bad_alloc is thrown, so that the
// exception and the one line that reports it find room. Call at start-up, and again before each
// run of a program that outlives a failed one. Returns false when even the reserve cannot be
// had: the caller should then say so without allocating, and end.
bool keepMemoryForFailures();

// Whether `bytes` could be allocated now, in one block, which is given back at once: for work
// whose allocations do not all recover from a failure (a toolkit's), asked before it starts.
// With a limit on the address space (ulimit -v) this is what is left; without one the system
// promises more than it may later give.
bool memoryFor(std::size_t bytes);

}  // namespace catalog
