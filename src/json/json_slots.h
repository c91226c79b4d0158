// JsonSlotTable: the process-wide numbered slots that hold parsed documents.
#pragma once

#include <cstdint>

#include "json/json_document.h"

namespace llmbridge {

// Creates the table with 8 empty slots, unless it exists already. Called once at start-up; the
// slot operations create the table themselves when it has not been called.
void InitJsonSlots();

// The root of the document held in `slot`, borrowed from it; null when the slot is empty or not
// a slot number of the table.
JsonValue* GetJsonRoot(int32_t slot);

// Stores `document` (owned by the caller until this succeeds) in `slot`, freeing the document the
// slot held. A slot beyond the table grows it to slot + 8 slots. Returns false, touching nothing,
// when the table cannot grow or `slot` is negative.
bool StoreJsonDocument(int32_t slot, JsonDocument* document);

// Frees the document of every slot and the table itself; all slots end empty.
void FreeAllJson();

}  // namespace llmbridge
