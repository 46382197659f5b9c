// korvel: opens a database, provides the host object and shows the Korvel designer add-in.

#include "host/hostoptions.h"
#include "host/hostprogram.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // The commands on frames need no display, also when they draw a picture.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (korvel::HostOptions::namesCommand(arguments) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return korvel::HostProgram().run(QApplication::arguments());
}
