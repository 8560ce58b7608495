// The cable information annotation command: picking the wire, the layer
// checks around the pick, and the text lines built from the cable keys.
#pragma once

#include "platform/host/host_types.h"
#include "settings/cable_setting.h"

// The cable keys of one element, each split at ",", in cable order.
struct CableInfoLists {
  CStringArray numbers;         // "A": CB08
  CStringArray sizes;           // "B": CB03
  CStringArray fromMarks;       // "C": CB04
  CStringArray toMarks;         // "D": CB06
  CStringArray fromSubNumbers;  // CB09, may be shorter
  CStringArray toSubNumbers;    // CB10, may be shorter
};

// Reads the six keys of the element. A missing key is an empty list (the
// element carries no cable); an empty value is one empty item.
CableInfoLists ReadCableInfoLists(AcDbObjectId element);
// True when the cable lists run in parallel: numbers, From and To marks as
// long as the sizes.
bool CableInfoListsConsistent(const CableInfoLists& lists);

// One line per cable, first cable first, from `cinfoTextFormat`.
CStringArray BuildAnnotationLines(const CableInfoLists& lists, bool withNumber, bool withFromTo,
                                  const CableSetting& setting = g_cableSetting);

// The value field of one attribute entry: between the first and the second
// vertical bar (the rest of the text when there is no second bar).
CString GetAttributeEntryValue(const CString& entry);
// True when the element's "ETAT" entry holds a non-zero integer.
bool IsEtatFlagged(AcDbObjectId entity);

// 1 when `layer` (or the current layer) is locked and stays locked, after
// telling the user; 0 when it may be drawn on; -1 when the layer does not
// exist.
int CheckLayerLocked(const CString& layer, bool unlock);
// Unlocks every locked layer that belongs to the authoring tools.
void UnlockModuleLayers();
// True for the authoring tools' layer names and "0" to "16".
bool IsModuleLayer(const CString& name);

// Asks for a wire until one on an unlocked layer is picked: RTNORM with the
// picked nested entity, the pick point and the outermost block reference;
// RTNONE for an empty answer, RTCAN or another host code otherwise (both
// ids stay null then).
int SelectWire(const CString& prompt, AcDbObjectId& nested, AcGePoint3d& pickPoint,
               AcDbObjectId& wire);
