// korvel: opens a database, provides the host object and shows the Korvel designer add-in.

#include "host/hostprogram.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return korvel::HostProgram().run(QApplication::arguments());
}
