#include "ui/QZ8840ReporterApp.h"

int main(int argc, char** argv) {
    return qz::RunApplication(argc, argv);
}
