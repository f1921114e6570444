#include "logwindow/TGridCells.h"

TGridCells::~TGridCells() = default;
