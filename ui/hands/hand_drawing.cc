#include "ui/hands/hand_drawing.h"

#include "ui/finger_placement.h"

namespace {

struct Point {
  double x;
  double y;
};

struct Colour {
  double r, g, b;
};

constexpr Colour kBackgroundTop = {0.93, 0.95, 0.97};
constexpr Colour kBackgroundBottom = {0.80, 0.85, 0.91};
constexpr Colour kOutline = {0.45, 0.29, 0.20};
constexpr Colour kSkin = {0.96, 0.80, 0.66};
constexpr Colour kNail = {0.99, 0.91, 0.86};
constexpr Colour kCrease = {0.80, 0.60, 0.47};
constexpr Colour kSleeve = {0.29, 0.42, 0.62};
constexpr double kOutlineWidth = 3.0;

// One hand: its palm outline, and for each finger in number order the knuckle it grows from,
// its width and its number (the tip comes from the button's position).
struct Finger {
  FingerNumber number;
  Point base;
  double width;
};

struct Hand {
  Point palm[6];
  Finger fingers[5];
  Point cuff[4];
};

// The left hand above: fingers 6-10, the thumb reaching out to the right.
constexpr Hand kLeftHand = {
    {{22, 82}, {78, 76}, {84, 98}, {72, 118}, {36, 120}, {23, 104}},
    {{6, {68, 108}, 17}, {7, {70, 80}, 14}, {8, {55, 76}, 15}, {9, {40, 78}, 14}, {10, {27, 86}, 12}},
    {{33, 112}, {71, 110}, {70, 127}, {35, 128}},
};

// The right hand below: fingers 1-5, the thumb reaching out to the left, the sleeve ending above
// the status line.
constexpr Hand kRightHand = {
    {{52, 188}, {111, 188}, {114, 206}, {105, 220}, {63, 220}, {51, 208}},
    {{1, {64, 210}, 17}, {2, {59, 192}, 15}, {3, {75, 188}, 16}, {4, {92, 189}, 15}, {5, {106, 196}, 13}},
    {{63, 214}, {105, 214}, {106, 227}, {62, 227}},
};

void SetColour(cairo_t* cr, Colour colour) { cairo_set_source_rgb(cr, colour.r, colour.g, colour.b); }

Point TipOf(FingerNumber finger) {
  ButtonPosition position{0, 0};
  FingerButtonPosition(finger, &position);
  return {position.x + kButtonSize / 2.0, position.y + kButtonSize / 2.0};
}

void DrawBackground(cairo_t* cr) {
  cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, kWindowHeight);
  cairo_pattern_add_color_stop_rgb(gradient, 0, kBackgroundTop.r, kBackgroundTop.g, kBackgroundTop.b);
  cairo_pattern_add_color_stop_rgb(gradient, 1, kBackgroundBottom.r, kBackgroundBottom.g,
                                   kBackgroundBottom.b);
  cairo_set_source(cr, gradient);
  cairo_paint(cr);
  cairo_pattern_destroy(gradient);
}

void PolygonPath(cairo_t* cr, const Point* points, int count) {
  cairo_new_path(cr);
  cairo_move_to(cr, points[0].x, points[0].y);
  for (int i = 1; i < count; ++i) cairo_line_to(cr, points[i].x, points[i].y);
  cairo_close_path(cr);
}

void StrokeFinger(cairo_t* cr, const Finger& finger, double extraWidth) {
  Point tip = TipOf(finger.number);
  cairo_set_line_width(cr, finger.width + extraWidth);
  cairo_move_to(cr, finger.base.x, finger.base.y);
  cairo_line_to(cr, tip.x, tip.y);
  cairo_stroke(cr);
}

// The hand's silhouette in one colour, grown by `extraWidth`: drawn first in the outline colour
// and wider, then in skin, it leaves one outline around the whole hand.
void DrawSilhouette(cairo_t* cr, const Hand& hand, Colour colour, double extraWidth) {
  SetColour(cr, colour);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  PolygonPath(cr, hand.palm, 6);
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, 6 + extraWidth);  // rounds the palm's corners
  cairo_stroke(cr);
  for (const Finger& finger : hand.fingers) StrokeFinger(cr, finger, extraWidth);
}

// A nail near each tip and a crease at each knuckle, along the finger's direction.
void DrawDetails(cairo_t* cr, const Hand& hand) {
  for (const Finger& finger : hand.fingers) {
    Point tip = TipOf(finger.number);
    double dx = finger.base.x - tip.x, dy = finger.base.y - tip.y;
    SetColour(cr, kNail);
    cairo_set_line_width(cr, finger.width * 0.55);
    cairo_move_to(cr, tip.x + dx * 0.02, tip.y + dy * 0.02);
    cairo_line_to(cr, tip.x + dx * 0.16, tip.y + dy * 0.16);
    cairo_stroke(cr);
    SetColour(cr, kCrease);
    cairo_set_line_width(cr, 1.0);
    cairo_arc(cr, tip.x + dx * 0.55, tip.y + dy * 0.55, finger.width * 0.3, 0, 6.2832);
    cairo_stroke(cr);
  }
}

void DrawCuff(cairo_t* cr, const Hand& hand) {
  PolygonPath(cr, hand.cuff, 4);
  SetColour(cr, kSleeve);
  cairo_fill_preserve(cr);
  SetColour(cr, kOutline);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

void DrawHand(cairo_t* cr, const Hand& hand) {
  DrawSilhouette(cr, hand, kOutline, kOutlineWidth);
  DrawSilhouette(cr, hand, kSkin, 0);
  DrawDetails(cr, hand);
  DrawCuff(cr, hand);
}

}  // namespace

void DrawHands(cairo_t* cr) {
  cairo_save(cr);
  DrawBackground(cr);
  DrawHand(cr, kLeftHand);
  DrawHand(cr, kRightHand);
  cairo_restore(cr);
}
