#include "QCLWorkSize.h"

QCLWorkSize::QCLWorkSize(size_t size) : m_dim(1), m_sizes{size, 1, 1} {}

QCLWorkSize::QCLWorkSize(size_t width, size_t height) : m_dim(2), m_sizes{width, height, 1} {}

QCLWorkSize::QCLWorkSize(size_t width, size_t height, size_t depth)
    : m_dim(3), m_sizes{width, height, depth}
{
}

bool QCLWorkSize::operator==(const QCLWorkSize &other) const
{
    return m_dim == other.m_dim && m_sizes[0] == other.m_sizes[0]
        && m_sizes[1] == other.m_sizes[1] && m_sizes[2] == other.m_sizes[2];
}
