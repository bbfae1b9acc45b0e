#pragma once

// Marks what the module exports to hosts; everything else is hidden.
#define ZEL_EXPORT __attribute__((visibility("default")))
