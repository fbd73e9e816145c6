// orvane: Orvane's command line on its own. It links Qt Core and nothing graphical, so that a
// script polling `orvane status` pays for no windowing library it never uses. The system answers
// registrations only to the application's executable, which orvane runs for them.

#include "app/cli/CommandLineMain.h"

int main(int argc, char** argv) {
    return orvane::cli::commandLineMain(argc, argv, orvane::cli::Runner::separateTool);
}
