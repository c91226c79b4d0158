// A text header that reaches up into the exports: what the layer check must refuse.
#pragma once

#include "api/exports.h"
