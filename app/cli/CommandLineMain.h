#pragma once

namespace orvane::cli {

// The names Qt knows Orvane by, the same for the application and the command line.
void describeApplication();

// Which of our programs runs the command line: the application's executable, the one the system's
// service management answers, or orvane, which has that executable carry out registrations.
enum class Runner { application, separateTool };

// The command line as a whole process: its Qt Core application, the platform's ports as the
// command line uses them, and one command. argv[0] names the program. Returns the exit status.
// Shared by orvane and by Orvane given a command, so that both answer alike.
int commandLineMain(int argc, char** argv, Runner runner);

} // namespace orvane::cli
