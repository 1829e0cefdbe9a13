#include "support/cli_run.h"

#include <QProcess>

#include "support/test_support.h"

namespace TestSupport {

CliRun RunCli(const QStringList& arguments) {
    QProcess cli;
    cli.start(BuiltProgram(QStringLiteral("zezizav-cli")), arguments);
    CliRun run;
    if (!cli.waitForFinished(60000) || cli.exitStatus() != QProcess::NormalExit) {
        cli.kill();
        cli.waitForFinished();
        run.err = "did not finish: " + cli.readAllStandardError();
        return run;
    }
    run.exitCode = cli.exitCode();
    run.out = cli.readAllStandardOutput();
    run.err = cli.readAllStandardError();
    return run;
}

}  // namespace TestSupport
