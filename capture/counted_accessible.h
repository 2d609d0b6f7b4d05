#pragma once
// An accessible object of another process seen through a wrapper that counts every call made on
// it and on every object reached through it (children, enumerators), so that LookoutTree can
// tell how many calls a walk of Lookout's makes.

#include <windows.h>
#include <oleacc.h>

#include "util/com_ptr.h"

// `object` wrapped; the calls through it and through what it hands out add to `*calls`, which
// must outlive every wrapper. Calls are made on the thread that makes them: no marshaling.
lookout::com_ptr<IAccessible> countedAccessible(const lookout::com_ptr<IAccessible>& object,
                                                unsigned long* calls);
