#include "movegen/generators.h"

template <Side S> MoveEntry* generateAll(MoveEntry* end) { return end; }
template <Side S> MoveEntry* generateCaptures(MoveEntry* end) { return end; }
template <Side S> MoveEntry* generateEvasions(MoveEntry* end, const CheckInfo&) { return end; }

template MoveEntry* generateAll<White>(MoveEntry*);
template MoveEntry* generateAll<Black>(MoveEntry*);
template MoveEntry* generateCaptures<White>(MoveEntry*);
template MoveEntry* generateCaptures<Black>(MoveEntry*);
template MoveEntry* generateEvasions<White>(MoveEntry*, const CheckInfo&);
template MoveEntry* generateEvasions<Black>(MoveEntry*, const CheckInfo&);

const GeneratorSet MoveGenerators[2] = {
    {generateAll<Black>, generateCaptures<Black>, generateEvasions<Black>},
    {generateAll<White>, generateCaptures<White>, generateEvasions<White>},
};
