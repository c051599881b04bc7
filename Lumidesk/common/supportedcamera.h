#pragma once

#include <QtGlobal>

// Which USB cameras are the maker's own, by their vendor and product ids.
bool IsSupportVPID(quint16 vid, quint16 pid);
bool IsSupportVID(quint16 vid);
bool IsSupportPID(quint16 pid);
