#include "cli/CliUserInterface.h"

int CliUserInterface::ShowMessage(const QString& message, int type, const QString&, const QString&, bool)
{
    m_err << message.trimmed() << Qt::endl;
    m_reported = true;
    return type == YesNo ? No : Yes;
}

bool CliUserInterface::VerifyPassword()
{
    m_err << "This catalog is password protected; open it in Kestrowan to enter the user name and password."
          << Qt::endl;
    m_reported = true;
    return false;
}
