// The program heap and the text storage: private heaps created first at load and destroyed last
// at unload (the BlockHeap, the third, belongs to the memory layer).
#pragma once

namespace llmbridge {

void CreateProgramHeap();
void DestroyProgramHeap();

// The string heap with its temporary text buffer of 16 bytes.
void CreateTextStorage();
void DestroyTextStorage();

// Whether each heap currently exists (false where the platform has no such heap).
bool ProgramHeapExists();
bool TextStorageExists();

}  // namespace llmbridge
