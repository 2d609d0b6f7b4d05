#include "app/hooks.h"
#include "app/monitor_loop.h"

int main(int argc, char** argv) {
    startUp(argc, argv);
    createConsoleDDEProcessingWindowProcess();
}
