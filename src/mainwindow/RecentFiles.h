#pragma once

#include <QString>
#include <QStringList>

// The videos and analyses opened last, newest first, kept in their own section of the settings
// file so that its other keys stay as they are.
class RecentFiles {
public:
    static constexpr int kMax = 8;

    explicit RecentFiles(QString iniPath) : m_iniPath(std::move(iniPath)) {}

    QStringList list() const;
    // Puts the file on top (once); the oldest beyond kMax drops off.
    void add(const QString& path);
    void remove(const QString& path);

private:
    void store(const QStringList& files);
    QString m_iniPath;
};
