#pragma once
#include <QImage>

#include <functional>

class ProgramCache;
class ScratchDB;

// What a document needs from the program around it, given when it is made:
// the scratch store its snapshots go to, the featherer that softens its
// selection, and the programs its layers' styles build their kernels from.
// The headless tool and most tests give only the store: selections are not
// softened and styles compute on the host.
struct DocumentEnv {
    // Softens a selection shape's alpha by a radius (the feathering kernel,
    // or its reference where no device is at hand).
    using Featherer = std::function<QImage(const QImage &shape, int iRadius)>;

    // Not explicit: wherever a store is at hand, it is an environment.
    DocumentEnv(ScratchDB &storeIn, Featherer featherIn = {}, ProgramCache *pProgramsIn = nullptr)
        : store(storeIn)
        , featherer(std::move(featherIn))
        , pPrograms(pProgramsIn)
    {
    }

    ScratchDB &store;
    Featherer featherer;
    ProgramCache *pPrograms;
};
