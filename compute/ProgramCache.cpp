#include "ProgramCache.h"

QCLProgram ProgramCache::program(const QString &path)
{
    const auto it = m_programs.constFind(path);
    if (it != m_programs.constEnd())
        return it.value();
    QCLProgram program = m_context.createProgramFromSourceFile(path);
    const bool built = !program.isNull() && program.build();
    setReportEntry(path, program.log());
    if (!built)
        return QCLProgram();
    m_programs.insert(path, program);
    return program;
}

void ProgramCache::setReportEntry(const QString &name, const QString &text)
{
    m_report.insert(name, text);
    if (m_listener)
        m_listener(m_report);
}
