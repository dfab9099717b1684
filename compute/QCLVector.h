#pragma once
#include "QCLVectorBase.h"

#include <cstddef>

// A small typed array shared between host and device (filter weights, colour
// quadruples). Element access maps the buffer on first use; passing the
// vector to a kernel unmaps it again.
template <typename T>
class QCLVector : public QCLVectorBase
{
public:
    QCLVector() : QCLVectorBase(sizeof(T)) {}

    // Element access; maps the buffer when needed. Out of range or an
    // unmappable buffer gives a reference to a dummy element.
    T &operator[](int index)
    {
        T *data = static_cast<T *>(map());
        if (!data || index < 0 || index >= size()) {
            static T dummy{};
            return dummy;
        }
        return data[index];
    }
    T at(int index) const
    {
        const T *data = static_cast<const T *>(map());
        if (!data || index < 0 || index >= size())
            return T{};
        return data[index];
    }
    T *data() { return static_cast<T *>(map()); }

private:
    friend class QCLContext;
};
