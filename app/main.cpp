#include "app/lookout_main.h"
#include "app/monitor_loop.h"

int main(int argc, char** argv) {
    return runLookout(argc, argv, createConsoleDDEProcessingWindowProcess);
}
