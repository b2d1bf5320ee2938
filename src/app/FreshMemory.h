#pragma once

// Large arrays written right after they are allocated (a scan's samples read
// from a file, a curve's points) fault in their pages one by one, and on a
// long scan those faults cost more than the copying itself. Before such an
// array is written, its pages can be asked for in one go, backed by large
// pages where the system offers them. Only a hint: nothing changes but the
// time, and nothing happens where the system does not support it.

#include <cstddef>

// The pages wholly inside [data, data + bytes); arrays below a
// megabyte are left alone.
void prepareFreshMemory(void* data, std::size_t bytes);
