// korvel: opens a database, provides the host object and shows the Korvel designer add-in.

#include "host/hostoptions.h"
#include "host/hostprogram.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    korvel::HostOptions::chooseOffscreenWithoutDisplay(arguments);
    QApplication app(argc, argv);
    // Qt reads the arguments from argv again whenever asked: take them before hiding the password.
    arguments = QApplication::arguments();
    korvel::HostOptions::hidePasswords(argc, argv);
    return korvel::HostProgram().run(arguments);
}
