#include "desktop.h"

#include "print/surface/qt_surface.h"

#include <QCoreApplication>
#include <QStringList>

Desktop::Desktop(Global& global) : global_(global) {}

Desktop::~Desktop() = default;

frmMain::Services Desktop::Services()
{
    frmMain::Services services;
    services.DefaultPrinterName = [] { return SystemDefaultDeviceName(); };
    return services;
}

std::string JoinedArguments()
{
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    return arguments.join(QLatin1Char(' ')).toStdString();
}
