#pragma once

// Runs the command-line tool as a script would and keeps what it said.
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

inline QString toolPath()
{
    const QString fromEnv = qEnvironmentVariable("ZORVIK_MEDIA_TOOL");
    if (!fromEnv.isEmpty())
        return fromEnv;
    // Run by hand from the build folder: the tool sits beside the tests' folder.
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../tools/zorvik-media"));
}

inline ToolRun tool(const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(toolPath(), args);
    ToolRun run;
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
