#pragma once
#include <cstddef>

// Global or local work size of a kernel launch: one to three dimensions.
// Sizes of dimensions beyond the count are 1.
class QCLWorkSize
{
public:
    QCLWorkSize() = default;
    QCLWorkSize(size_t size);
    QCLWorkSize(size_t width, size_t height);
    QCLWorkSize(size_t width, size_t height, size_t depth);

    int dimensions() const { return m_dim; }
    size_t width() const { return m_sizes[0]; }
    size_t height() const { return m_sizes[1]; }
    size_t depth() const { return m_sizes[2]; }
    const size_t *sizes() const { return m_sizes; }

    bool operator==(const QCLWorkSize &other) const;

private:
    int m_dim = 0;
    size_t m_sizes[3] = {1, 1, 1};
};
