// Waiting in the demo host: Windows hosts dispatch their thread's messages while they wait.
#pragma once

void ServiceHostWindows(double seconds);
