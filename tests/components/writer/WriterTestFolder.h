#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

// A fresh folder of the scratch area for one test, and what a test checks in it afterwards.
namespace WriterTestFolder {
QString make(const QString& name);
// Names in the folder (hidden ones included), sorted: a leftover temporary file shows here.
QStringList entries(const QString& folder);
QByteArray bytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& data);
} // namespace WriterTestFolder
