#pragma once

// The five calls through which the blending run solves a model file: an environment holds the addresses of
// the doubles that receive the exported values, and a command script loads the model file and solves it.

namespace vestrel::solver {

struct SolverEnvironment;
using LSenv = SolverEnvironment*;

// Result codes; every call returns one and none throws.
enum SolverStatus : int {
    SolverOk = 0,
    SolverBadHandle = 1,        // not an environment of LScreateEnvLng, or already deleted
    SolverBadArgument = 2,      // null pointer, or too many locations
    SolverBadScript = 3,        // unknown command, or a script longer than 64 KiB
    SolverFileUnreadable = 4,   // the file of a take line cannot be read
    SolverModelRejected = 5,    // the file is not a model in the language the program writes
    SolverNoModel = 6,          // GO before a model was taken
    SolverNoSolution = 7,       // proven infeasible
    SolverNoLocation = 8,       // the model exports to a location that was never set
    SolverInternalError = 9,    // the engine broke down; nothing is known about the model
    SolverOutOfBudget = 10,     // the search stopped before the cheapest point was proven
    SolverNumbersTooLarge = 11, // a number the exact arithmetic cannot carry (when reading or solving)
};

// A new environment, or nullptr when none can be made.
LSenv LScreateEnvLng();
// Registers the next location (1, 2, 3 ... in call order) and stores the number registered so far in
// *counter (counter may be null).
int LSsetPointerLng(LSenv env, double* value, int* counter);
// Runs a script of lines ended by LF (CR LF is accepted): "SET ECHOIN 1", "take <path>" (UTF-8), "GO",
// "QUIT". After a solve every exported value is written to its location; on any failure no location is
// written and the first failure's code is returned.
int LSexecuteScriptLng(LSenv env, const char* script);
// There is no log file; kept for the caller's sequence of calls.
int LScloseLogFileLng(LSenv env);
int LSdeleteEnvLng(LSenv env);

} // namespace vestrel::solver
