#include "quorvel-render/render_main.h"

int main(int argc, char** argv) { return quorvel::renderMain(argc, argv, {}); }
