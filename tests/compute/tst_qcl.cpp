// The OpenCL wrappers: kernels called like functions against the host,
// buffers, vectors and queues, and failures that warn once and never reach
// the driver with a null object.
#include "ProgramCache.h"
#include "QCLContext.h"
#include "TestSupport.h"

#include <QtTest>
#include <thread>

namespace {

QStringList g_warnings;

void captureWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg)
        g_warnings << message;
}

// Captures warnings for the lifetime of the object.
struct WarningCapture {
    WarningCapture()
    {
        g_warnings.clear();
        m_previous = qInstallMessageHandler(captureWarnings);
    }
    ~WarningCapture() { qInstallMessageHandler(m_previous); }
    QStringList lines() const { return g_warnings; }
    QtMessageHandler m_previous;
};

const char kKernels[] = R"(
__kernel void mulAdd(__global const int *src, __global int *dst, int mul, float add)
{
    const int i = get_global_id(0);
    dst[i] = src[i] * mul + (int)add;
}
__kernel void copyVector(__global const float *v, __global float *dst)
{
    const int i = get_global_id(0);
    dst[i] = v[i];
}
)";

} // namespace

class TestQCL : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(cqtest::createCpuContext(m_context), "no OpenCL CPU device");
        m_program = m_context.createProgramFromSourceCode(kKernels);
        QVERIFY(!m_program.isNull());
        QVERIFY2(m_program.build(), qPrintable(m_program.log()));
    }

    void createWithoutDeviceFails()
    {
        QVERIFY2(QCLDevice::devices(QCLDevice::Accelerator).isEmpty(), "this test expects no accelerator");
        QCLContext context;
        WarningCapture capture;
        QVERIFY(!context.create(QCLDevice::Accelerator));
        QVERIFY(!context.isCreated());
        QCOMPARE(context.lastError(), -1);
        QCOMPARE(capture.lines(), QStringList{QStringLiteral("QCLContext::create(type:8): CL_DEVICE_NOT_FOUND")});
    }

    void kernelCallFormMatchesHost()
    {
        const int count = 1001;
        QList<qint32> src(count), host(count), device(count, -1);
        for (int i = 0; i < count; ++i) {
            src[i] = i * 7919 - 400000;
            host[i] = src[i] * -3 + 12;
        }
        const size_t bytes = size_t(count) * sizeof(qint32);
        QCLBuffer in = m_context.createBufferCopy(src.constData(), bytes, QCLMemoryObject::ReadOnly);
        QCLBuffer out = m_context.createBufferDevice(bytes, QCLMemoryObject::WriteOnly);
        QVERIFY(!in.isNull() && !out.isNull());
        QCOMPARE(out.size(), bytes);

        QCLKernel kernel = m_program.createKernel(QStringLiteral("mulAdd"));
        QVERIFY(!kernel.isNull());
        QCOMPARE(kernel.localWorkSize().dimensions(), 0); // driver picks the group size
        kernel.setGlobalWorkSize(QCLWorkSize(size_t(count)));
        QCLEvent event = kernel(in, out, -3, 12.5f);
        QVERIFY(!event.isNull());
        QVERIFY(event.waitForFinished());
        QVERIFY(out.read(device.data(), bytes));
        QCOMPARE(device, host);
        QCOMPARE(m_context.lastError(), CL_SUCCESS);
    }

    void vectorWritesReachKernel()
    {
        const int count = 17;
        QCLVector<float> vector = m_context.createVector<float>(count, QCLMemoryObject::ReadOnly);
        QVERIFY(!vector.isNull());
        QCOMPARE(vector.size(), count);
        QCLBuffer out = m_context.createBufferDevice(size_t(count) * sizeof(float), QCLMemoryObject::WriteOnly);
        QCLKernel kernel = m_program.createKernel(QStringLiteral("copyVector"));
        kernel.setGlobalWorkSize(QCLWorkSize(size_t(count)));

        // Twice: the second round maps again after the kernel unmapped it.
        for (int round = 0; round < 2; ++round) {
            for (int i = 0; i < count; ++i)
                vector[i] = float(i) * 0.25f + float(round) * 100.0f;
            QVERIFY(vector.isMapped());
            QVERIFY(!kernel(vector, out).isNull());
            QVERIFY(!vector.isMapped());
            QList<float> seen(count);
            QVERIFY(out.read(seen.data(), seen.size() * sizeof(float)));
            for (int i = 0; i < count; ++i)
                QCOMPARE(seen[i], float(i) * 0.25f + float(round) * 100.0f);
        }
        QCOMPARE(vector.at(3), 100.75f);
        vector.release();
        QVERIFY(vector.isNull());
    }

    void bufferRoundTripAndSharing()
    {
        QCLBuffer copy;
        {
            QCLBuffer buffer = m_context.createBufferDevice(64, QCLMemoryObject::ReadWrite);
            QVERIFY(!buffer.isNull());
            const QByteArray data(64, 'x');
            QVERIFY(buffer.write(data.constData(), 64));
            QVERIFY(buffer.write(10, "hello", 5));
            copy = buffer;
            QCOMPARE(copy.memoryId(), buffer.memoryId());
        }
        // The copy keeps the handle alive after the original is gone.
        QByteArray back(64, '\0');
        QVERIFY(copy.read(back.data(), 64));
        QCOMPARE(back.mid(8, 9), QByteArray("xxhelloxx"));
        QByteArray part(3, '\0');
        QVERIFY(copy.read(11, part.data(), 3));
        QCOMPARE(part, QByteArray("ell"));
    }

    void failuresWarnOnce()
    {
        {
            WarningCapture capture;
            const QCLKernel kernel = m_program.createKernel(QStringLiteral("mulAd"));
            QVERIFY(kernel.isNull());
            QCOMPARE(m_context.lastError(), CL_INVALID_KERNEL_NAME);
            QCOMPARE(capture.lines(),
                     QStringList{QStringLiteral("QCLProgram::createKernel(mulAd): CL_INVALID_KERNEL_NAME")});
        }
        {
            QCLProgram broken = m_context.createProgramFromSourceCode("__kernel void f( { nonsense }");
            QVERIFY(!broken.isNull());
            WarningCapture capture;
            QVERIFY(!broken.build());
            QCOMPARE(m_context.lastError(), CL_BUILD_PROGRAM_FAILURE);
            // The labelled line, then the build log as its own warning.
            const QStringList lines = capture.lines();
            QCOMPARE(lines.size(), 2);
            QCOMPARE(lines.first(), QStringLiteral("QCLProgram::build: CL_BUILD_PROGRAM_FAILURE"));
            QVERIFY(!broken.log().isEmpty());
            QCOMPARE(lines.at(1), broken.log());
        }
        {
            WarningCapture capture;
            const QCLBuffer huge = m_context.createBufferDevice(size_t(1) << 62, QCLMemoryObject::ReadWrite);
            QVERIFY(huge.isNull());
            QVERIFY(m_context.lastError() != CL_SUCCESS);
            QCOMPARE(capture.lines(), QStringList{QStringLiteral("QCLContext::createBufferDevice: ")
                                                  + QCLContext::errorName(m_context.lastError())});
            QVERIFY(!capture.lines().first().contains(QLatin1String("Error ")));
        }
        {
            WarningCapture capture;
            QVERIFY(m_context.createProgramFromSourceFile(QStringLiteral(":/Filters/noSuchFile.cl")).isNull());
            QVERIFY(m_context.buildProgramFromSourceFile(QStringLiteral(":/Filters/noSuchFile.cl")).isNull());
            QCOMPARE(capture.lines(), QStringList(2, QStringLiteral("QCLContext::createProgramFromSourceFile: "
                                                                    "Unable to open file :/Filters/noSuchFile.cl")));
        }
    }

    void nullObjectsNeverReachDriver()
    {
        {
            WarningCapture capture;
            QCLKernel kernel;
            QVERIFY(kernel.isNull());
            QVERIFY(kernel.run().isNull());
            QCLBuffer buffer;
            QVERIFY(kernel(buffer, 1, 2.0f).isNull()); // refused once, not per argument
            char byte = 0;
            QVERIFY(!buffer.read(&byte, 1));
            QCLProgram program;
            QVERIFY(!program.build());
            QVERIFY(program.createKernel(QStringLiteral("f")).isNull());
            // One warning per refused call, naming the call.
            QCOMPARE(capture.lines().size(), 5);
            QVERIFY(capture.lines().first().startsWith(QStringLiteral("QCLKernel::run: ")));
        }
        // A context that was never created refuses allocations the same way.
        QCLContext empty;
        WarningCapture capture;
        QVERIFY(empty.createBufferDevice(16, QCLMemoryObject::ReadWrite).isNull());
        QCOMPARE(empty.lastError(), CL_INVALID_CONTEXT);
        QCOMPARE(capture.lines(), QStringList{QStringLiteral("QCLContext::createBufferDevice: CL_INVALID_CONTEXT")});
    }

    void programCacheBuildsOnce()
    {
        ProgramCache cache(m_context);
        const QString path = QStringLiteral(":/Filters/imageBlend.cl");
        const QCLProgram first = cache.program(path);
        QVERIFY(!first.isNull());
        QVERIFY(cache.contains(path));
        QVERIFY(cache.buildReport().contains(path));
        QCOMPARE(cache.program(path).programId(), first.programId());

        WarningCapture capture;
        const QString missing = QStringLiteral(":/Filters/missing.cl");
        QVERIFY(cache.program(missing).isNull());
        QVERIFY(!cache.contains(missing));
        QVERIFY(cache.buildReport().contains(missing));
        QCOMPARE(cache.buildReport().value(missing), QString());
        QCOMPARE(capture.lines().size(), 1);

        // Built ahead on workers (asked twice, built once): handed over like a
        // program built on the spot, failures included.
        ProgramCache ahead(m_context);
        ahead.prebuild({path, missing});
        ahead.prebuild({path});
        const QCLProgram early = ahead.program(path);
        QVERIFY(!early.isNull());
        QCOMPARE(ahead.program(path).programId(), early.programId());
        QVERIFY(ahead.program(missing).isNull());
        QVERIFY(!ahead.contains(missing));
        QCOMPARE(ahead.buildReport().value(missing), QString());
        QCOMPARE(capture.lines().size(), 2);
        // Left unclaimed, a build is waited for when the cache goes.
        ProgramCache(m_context).prebuild({path});
    }

    void hostBuffersAndThreadQueues()
    {
        const int count = 4096;
        alignas(4096) static qint32 src[count], dst[count];
        for (int i = 0; i < count; ++i) {
            src[i] = i;
            dst[i] = -1;
        }
        QCLBuffer in = m_context.createBufferHost(src, sizeof(src), QCLMemoryObject::ReadOnly);
        QCLBuffer out = m_context.createBufferHost(dst, sizeof(dst), QCLMemoryObject::WriteOnly);
        QVERIFY(!in.isNull() && !out.isNull());
        QCLKernel kernel = m_program.createKernel(QStringLiteral("mulAdd"));
        kernel.setGlobalWorkSize(QCLWorkSize(size_t(count)));

        // Another thread enqueues on its own queue; this thread's stays as it was.
        const QCLCommandQueue extra = m_context.createCommandQueue();
        QVERIFY(!extra.isNull());
        const cl_command_queue mine = m_context.activeQueue();
        cl_command_queue seen = nullptr;
        bool ok = false;
        std::thread worker([&] {
            QCLQueueScope scope(m_context, extra);
            seen = m_context.activeQueue();
            ok = !kernel(in, out, 2, 1.0f).isNull();
            // Mapping waits for the kernel and lands in the host memory.
            void *mapped = out.map(0, sizeof(dst), QCLBuffer::MapRead);
            ok = ok && mapped == static_cast<void *>(dst) && out.unmap(mapped);
        });
        worker.join();
        QVERIFY(ok);
        QCOMPARE(seen, extra.queueId());
        QCOMPARE(m_context.activeQueue(), mine);
        QVERIFY(seen != mine);
        for (int i = 0; i < count; i += 97)
            QCOMPARE(dst[i], 2 * i + 1);
    }

private:
    QCLContext m_context;
    QCLProgram m_program;
};

QTEST_GUILESS_MAIN(TestQCL)
#include "tst_qcl.moc"
