#include "ui/Startup.h"

int main(int argc, char* argv[])
{
    return pelorin::runApplication(argc, argv);
}
