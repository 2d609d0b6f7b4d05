#include "capture/tree_tool.h"

int main() { return runLookoutTree(); }
