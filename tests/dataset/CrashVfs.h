#pragma once

// Makes this process die (SIGKILL) on the n-th write to a database file or to its journal,
// as a power cut or a killed terminal would, by wrapping SQLite's default file system.
enum class CrashTarget { Database, Journal };
void installCrashVfs(CrashTarget target, int nthWrite);
