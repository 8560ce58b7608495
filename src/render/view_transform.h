// World <-> screen mapping of the drawing view: a uniform scale (pixels per
// drawing unit) about a world centre, Y up in the world and down on screen.
#pragma once

#include "render/geometry.h"

namespace wb::render {

class ViewTransform {
 public:
  void SetViewport(int width, int height) {
    width_ = width;
    height_ = height;
  }
  int width() const { return width_; }
  int height() const { return height_; }
  double scale() const { return scale_; }
  Vec2 center() const { return center_; }
  void Set(Vec2 center, double scale) {
    center_ = center;
    if (scale > 0 && std::isfinite(scale)) scale_ = scale;
  }

  Vec2 ToScreen(Vec2 w) const {
    return {(w.x - center_.x) * scale_ + width_ / 2.0, height_ / 2.0 - (w.y - center_.y) * scale_};
  }
  Vec2 ToWorld(Vec2 s) const {
    return {(s.x - width_ / 2.0) / scale_ + center_.x, (height_ / 2.0 - s.y) / scale_ + center_.y};
  }
  Box VisibleBox() const { return Box::Of(ToWorld({0, 0}), ToWorld({double(width_), double(height_)})); }

  // Fits `box` with a margin of `margin` (fraction of the viewport) around
  // it; an empty box leaves the view as it is.
  void ZoomExtents(const Box& box, double margin = 0.05) {
    if (box.empty() || width_ <= 0 || height_ <= 0) return;
    double w = std::max(box.width(), 1e-9), h = std::max(box.height(), 1e-9);
    if (box.width() == 0 && box.height() == 0) w = h = 1;
    double usable = 1 - 2 * margin;
    scale_ = std::min(width_ * usable / w, height_ * usable / h);
    center_ = box.center();
  }
  // The world point under the screen point stays where it is.
  void ZoomAbout(Vec2 screen, double factor) {
    if (!(factor > 0) || !std::isfinite(factor)) return;
    Vec2 anchor = ToWorld(screen);
    scale_ = std::clamp(scale_ * factor, 1e-12, 1e12);
    Vec2 moved = ToWorld(screen);
    center_ = center_ + (anchor - moved);
  }
  void PanPixels(double dx, double dy) { center_ = center_ + Vec2{-dx / scale_, dy / scale_}; }

 private:
  Vec2 center_;
  double scale_ = 1;
  int width_ = 1, height_ = 1;
};

}  // namespace wb::render
