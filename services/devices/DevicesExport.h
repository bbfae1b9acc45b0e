#pragma once

// The contract is a shared library built with hidden symbols; what hosts and the module
// reach is marked with this.
#define ZEL_DEVICES_EXPORT __attribute__((visibility("default")))
