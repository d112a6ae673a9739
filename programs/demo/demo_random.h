// The random table the demo programs and the launcher share: the first 1000 values of the
// standard generator, read round and round, so that clouds, snow and the launcher's scene stand
// in the same places in every run.
#pragma once

// Rewinds the table (iRANDOMTOP = 0); with a non-zero flag it is first filled with the next
// 1000 values of the standard generator (seed 1, never reseeded).
void InitRndom(int flag);
// The next table entry, 0..32767, read round and round; fills the table first when InitRndom
// never ran.
int rand2();
// Back to a fresh program: the table unfilled and the generator at its seed.
void DemoResetRandom();
