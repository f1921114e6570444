#include "TDbTool.h"

int main(int argc, char** argv) {
    TDbTool tool;
    return tool.Run(argc, argv);
}
