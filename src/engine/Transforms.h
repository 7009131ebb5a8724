#pragma once
// TAffineTransformation: a 2-D affine map from source to destination
// coordinates, composed operation by operation (each new operation acts
// after the ones before it), and Transform, which fills a destination bitmap
// from a source bitmap through the inverse of that map.

#include "core/raster/Bitmap32.h"

namespace ivra {

class TAffineTransformation {
public:
    // Matrix rows (x' = A*x + B*y + C, y' = D*x + E*y + F), in double.
    double Matrix[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    // The part of the source that Transform reads (source pixels).
    TFloatRect SrcRect{0, 0, 1, 1};

    TAffineTransformation() = default;

    void Clear();  // identity (the source rectangle stays)
    // Rotation by an angle in degrees about (cx, cy); positive angles turn
    // counter-clockwise as seen on the screen (y axis pointing down).
    void Rotate(double cx, double cy, double degrees);
    void Rotate(double degrees) { Rotate(0, 0, degrees); }
    void Scale(double sx, double sy);
    void Scale(double s) { Scale(s, s); }
    // x' = x + fx*y, y' = y + fy*x.
    void Skew(double fx, double fy);
    void Translate(double dx, double dy);
    // Replaces the map by its inverse. Throws ivra::Error on a singular map.
    void Invert();

    // Maps a point forward or backward (backward throws on a singular map).
    void Transform(double x, double y, double& outX, double& outY) const;
    void ReverseTransform(double x, double y, double& outX, double& outY) const;
    // Bounds of the transformed source rectangle.
    TFloatRect GetTransformedBounds() const;
};

// Fills dst from src through the transformation: every destination pixel
// whose centre maps back into the source rectangle (clipped to the source
// bitmap) takes the source colour there, sampled by the source's
// StretchFilter (nearest: the pixel under the point; any other: bilinear with
// clamped edges) and combined by the source's DrawMode and MasterAlpha.
// Destination pixels whose centres map outside are left alone.
void Transform(TBitmap32& dst, const TBitmap32& src, const TAffineTransformation& t);

} // namespace ivra
