#include "ui/startup.h"

int main(int argc, char** argv) { return lumivane::ui::RunProgram(argc, argv); }
