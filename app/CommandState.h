#pragma once
// The command state and target interface live with the document so that views
// below the application layer can answer command updates too.
#include "image/CommandTarget.h"
