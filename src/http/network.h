// The platform's socket layer, for platforms that need it started explicitly (Windows).
#pragma once

namespace llmbridge {

// Starts the socket layer once; a failure is not reported (libcurl starts it for itself too).
void StartNetwork();
// Stops it if StartNetwork started it.
void StopNetwork();

}  // namespace llmbridge
