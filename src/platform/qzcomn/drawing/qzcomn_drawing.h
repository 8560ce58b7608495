// The maker's common drawing library, drawing side: layer-name globals,
// element queries (part ID, root kind, connection points, nearness), the
// attribute-list class, layers, scales and entity creation.
#pragma once

#include "platform/host/host_types.h"

class AcDbEntity;
class AcDbEllipse;

// Layer-name globals exported by the library.
extern const wb::WString QZCONECT_LAYER;
extern const wb::WString QZLENGTH_LAYER;
extern const wb::WString QZHIDE_LAYER;
extern const wb::WString QZPRIMARY_LAYER;
extern const wb::WString STANDPIPE_LAYER;
extern const wb::WString QZSHELTER_LAYER;
extern const wb::WString QZBASIS_LAYER;
extern const wb::WString QZSERVICESPACE_LAYER;
extern const wb::WString QZSNAP_LAYER;
extern const wb::WString QZARRANGE_LAYER;
extern const wb::WString QZSUBHIDE_LAYER;
extern const wb::WString QZCENTERLINE_LAYER;
extern const wb::WString QZANNO_LAYER;
extern const wb::WString QZANNOSIZE_LAYER;
extern const wb::WString QZANNOFL_LAYER;
extern const wb::WString QZANNOVARIOUS_LAYER;
extern const wb::WString QZUNDRAW_LAYER;
extern const wb::WString QZSLENDER_LAYER;
extern const wb::WString QZTABLE_LAYER;

// Part ID of the element's block (the block definition's name). 0 on success.
int QzComn_GetIDByBlockName(AcDbObjectId id, wb::WString& partId);
// Root kind from the first 1070 group of the element's QZ_LINK xdata; on
// failure (no QZ_LINK, no 1070) `kind` keeps its preset and -1 is returned.
int RootComn_GetBlockRootKind(AcDbObjectId id, int& kind);
// POINT entities on `layer` inside the element's block definition, in
// definition order, transformed by the block reference. 0 on success.
int QzComn_GetConnectPoint(AcDbObjectId id, AcGePoint3dArray& points, const wb::WString& layer,
                           void* reserved);
// Distance from `point` to the element's nearest connection point; non-zero
// when the element has none.
int RootComn_GetNearConnectPoint(AcDbObjectId id, const AcGePoint3d& point, AcGePoint3d& nearest,
                                 double& distance);
int RootComn_GetOriginPoint(AcDbObjectId id, AcGePoint3d& origin);

// Drawing scale from the header; non-zero when the drawing has none.
int QzComn_GetScale(double& scale);
double QzComn_GetGlobalScale();

int QzComn_createLayer(const wb::WString& name, AcDbObjectId* id);

// Appends a copy of `entity` to model space of the active drawing; the
// caller still owns (and deletes) `entity`. 0 and, when asked, the new id.
int QzComn_addEntity(const AcDbEntity* entity, AcDbObjectId* id);
// A new elliptical arc outside the drawing: semi-axes `major` and `minor`,
// the major axis at `axisDegrees` from the X axis, parameters in radians.
// When `minor` exceeds `major` the axes swap roles and the parameters shift
// by a quarter turn, so the same curve results. 0 on success.
int RootComn_CreateEllipse(AcDbEllipse*& ellipse, const AcGePoint3d& center, double major,
                           double minor, double axisDegrees, double startParam,
                           double endParam);
// The point at `distance` from `base` in direction `degrees` (XY plane).
int RootComn_PointRotation2(const AcGePoint3d& base, double distance, double degrees,
                            AcGePoint3d& point);

// Attribute lists: entries "KEY|VALUE|n1|1|99|n2|".
class CAttributeData {
 public:
  // Index of the first entry of `key`, or -1.
  static int FindAtt(const CStringArray& list, const wb::WString& key);
  // 0 and the whole entry text of `key`; -1 when absent.
  static int GetAtAtt(const CStringArray& list, const wb::WString& key, wb::WString& entry);
  // Replaces the value of the first entry of `key`; -1 when absent.
  static int SetAtAtt(CStringArray& list, const wb::WString& key, const wb::WString& value);
  // Value of `key` in the entity's QZ_ATTR list; empty when absent.
  static wb::WString GetValueAttID(AcDbObjectId id, const wb::WString& key);

  static wb::WString KeyOf(const wb::WString& entry);
  static wb::WString ValueOf(const wb::WString& entry);
};
