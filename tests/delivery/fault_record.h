#pragma once
// What the fault shim and the fault tests share through a file mapped by every process of a
// build: the count of file operations seen, the one that failed and who did each.

struct FaultRecord {
    unsigned long count;   // file operations seen so far
    unsigned long failed;  // the number of the one that failed or killed; 0 when none did
    char what[512];        // that operation: its process's role, its name and its file
    int pids[128];         // pids[role]: the process of each role, to kill it
    // roles[n]: who did operation n: 'w' the wizard, 'g' go.bat's interpreter, 'm' the
    // compiler, 'd' del.bat's interpreter
    char roles[8192];
};
