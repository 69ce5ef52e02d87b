#pragma once
// What the fault shim and the fault tests share through a file mapped by every process of a
// build: the count of file operations seen, the one that failed, and each role's own count,
// which does not depend on how the processes' operations interleave.

struct FaultRecord {
    unsigned long count;   // file operations seen so far
    unsigned long failed;  // the number of the one that failed or killed; 0 when none did
    char what[512];        // that operation: its process's role, its name and its file
    int pids[128];         // pids[role]: the process of each role, to kill it
    // roleCounts[role]: the operations that role did. The roles: 'w' the wizard, 'g' go.bat's
    // interpreter, 'm' the compiler, 'd' del.bat's interpreter
    unsigned long roleCounts[128];
};
