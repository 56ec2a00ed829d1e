#pragma once

#include <QTest>

// Tests that need the CUPS queue or poppler's tools skip without them on a developer's machine;
// scripts/test.sh sets TARVEL_REQUIRE_PRINTING, so there a missing tool fails instead of hiding.
#define SKIP_WITHOUT_PRINTING_TOOLS(reason)                                                                  \
    do {                                                                                                     \
        if (qEnvironmentVariableIsSet("TARVEL_REQUIRE_PRINTING"))                                            \
            QFAIL(reason);                                                                                   \
        QSKIP(reason);                                                                                       \
    } while (false)
