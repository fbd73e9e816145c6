// orvane: Orvane's command line on its own. It links Qt Core and nothing graphical, so that a
// script polling `orvane status` pays for no windowing library it never uses.

#include "app/cli/CommandLineMain.h"

int main(int argc, char** argv) {
    return orvane::cli::commandLineMain(argc, argv);
}
