#pragma once

namespace data {

// Has the C library keep the memory the program frees for its next use rather than hand it back
// to the system. A register load fills tens of megabytes of buffers and page cache that it frees
// again when it ends; handed back, the next load has every page of them faulted in again, which
// took about a third of a 100,000-row register's load. A program calls it once, at its start: it
// sets the allocator of the whole process.
void keepFreedMemory();

} // namespace data
