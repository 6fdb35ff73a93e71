#pragma once
// Whose programs run on an adapter's hooks, told from the kernel alone so that
// every instance sees every other, whichever user runs it: the ids on the
// hooks, matched against the tags that live interceptions put on their TAPs
// (InterceptionTag.h). A program of ours that no tag claims was left behind
// by a process that died.
#include <cstdint>
#include <vector>

#include "platform/linux/InterceptionTag.h"

// Throws, naming the adapter, when a live interception other than the one
// with the given programs has a program on a hook of the adapter.
void RefuseIfInterceptedElsewhere(uint32_t adapterIndex, const std::vector<uint32_t>& ownPrograms);

// Removes the cls_bpf filters of ours that no live interception claims, from
// the hooks of one device or of every device of the namespace.
void RemoveStaleClsBpfFilters(uint32_t deviceIndex);
void RemoveStaleClsBpfFilters();
