// A library in the plug-in's place that is no panel: it has no entry.
#include <QtGlobal>

extern "C" Q_DECL_EXPORT int notAPanel()
{
    return 0;
}
