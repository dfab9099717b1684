#pragma once
#include <functional>
#include "QCLContext.h"
#include "QCLProgram.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <future>
#include <map>

// Built programs shared by path, plus the build report (name -> text) that
// the kernel report lists. The main window owns one.
class ProgramCache
{
public:
    explicit ProgramCache(QCLContext &context) : m_context(context) {}
    // Waits for the programs still being built.
    ~ProgramCache();

    QCLContext &context() const { return m_context; }

    // The built program of the source file at `path`, building it on first
    // use; null when it cannot be created or built. The build log is kept in
    // the report under the path either way.
    QCLProgram program(const QString &path);
    bool contains(const QString &path) const { return m_programs.contains(path); }
    // Starts building the programs at `paths` on worker threads, so that the
    // first program() for one of them finds it built, or waits only for the
    // rest of its build. For programs the first minutes are sure to need.
    void prebuild(const QStringList &paths);

    const QMap<QString, QString> &buildReport() const { return m_report; }
    void setReportEntry(const QString &name, const QString &text);
    // Called after every change of the build report (the crash handler keeps a copy).
    void setReportListener(std::function<void(const QMap<QString, QString> &)> listener)
    {
        m_listener = std::move(listener);
    }

private:
    struct Built {
        QCLProgram program;
        bool bBuilt = false;
        QString log;
    };
    static Built build(QCLContext &context, const QString &path);

    QCLContext &m_context;
    std::map<QString, std::future<Built>> m_building;
    QMap<QString, QCLProgram> m_programs;
    QMap<QString, QString> m_report;
    std::function<void(const QMap<QString, QString> &)> m_listener;
};
