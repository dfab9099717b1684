#include "ProgramCache.h"

ProgramCache::~ProgramCache()
{
    for (auto &entry : m_building)
        entry.second.wait();
}

ProgramCache::Built ProgramCache::build(QCLContext &context, const QString &path)
{
    Built result;
    result.program = context.createProgramFromSourceFile(path);
    result.bBuilt = !result.program.isNull() && result.program.build();
    result.log = result.program.log();
    return result;
}

void ProgramCache::prebuild(const QStringList &paths)
{
    for (const QString &path : paths)
        if (!m_programs.contains(path) && !m_building.count(path))
            m_building.emplace(path, std::async(std::launch::async, &ProgramCache::build, std::ref(m_context), path));
}

QCLProgram ProgramCache::program(const QString &path)
{
    const auto it = m_programs.constFind(path);
    if (it != m_programs.constEnd())
        return it.value();
    Built result;
    const auto building = m_building.find(path);
    if (building != m_building.end()) {
        result = building->second.get();
        m_building.erase(building);
    } else {
        result = build(m_context, path);
    }
    setReportEntry(path, result.log);
    if (!result.bBuilt)
        return QCLProgram();
    m_programs.insert(path, result.program);
    return result.program;
}

void ProgramCache::setReportEntry(const QString &name, const QString &text)
{
    m_report.insert(name, text);
    if (m_listener)
        m_listener(m_report);
}
