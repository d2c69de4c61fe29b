#include "ui/Startup.h"

#include <QApplication>

namespace pelorin {

int runApplication(int argc, char* argv[])
{
    QApplication app(argc, argv);
    return 0;
}

} // namespace pelorin
