#pragma once
#include <QList>

#include <functional>

// Runs every job on a pool of threads (one per core) and waits for all.
void runParallel(const QList<std::function<void()>> &jobs);
