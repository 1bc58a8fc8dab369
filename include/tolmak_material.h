#pragma once

#include <varnlib.h>

#include "tolmak_export.h"

class cSprite;
class cVideo3D;
class cWorld;

/// A named surface description (colours, textures, render states) that
/// entities point to; it is registered with one world. Concrete materials
/// come from plug-in libraries.
///
/// Destroying a material takes it out of its world. Entities hold plain
/// pointers to their materials: take it off them before destroying it.
/// Copying is member-wise: the copy points at the source's world without
/// being registered there; assignment first leaves the material's own world.
class TOLMAK_API cMaterial : public cNamedObject, public iSerializable {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  cMaterial() = default;
  cMaterial(const cMaterial& other);
  cMaterial& operator=(const cMaterial& other);
  ~cMaterial() override;

  /// Builds the device resources (textures, state blocks) of the material.
  virtual void Compile(cVideo3D* video) = 0;
  /// Releases what Compile built.
  virtual void Release() = 0;
  /// Advances animated textures and colours by the elapsed time.
  virtual void Animate(float seconds) = 0;
  /// How many passes drawing with the material takes.
  virtual int GetNumberOfPasses() const = 0;
  /// Sets the device's states for a pass, before drawing.
  virtual void BeginPass(cVideo3D* video, int pass) = 0;
  /// Restores what BeginPass changed, after drawing.
  virtual void EndPass(cVideo3D* video, int pass) = 0;
  /// True when the material blends with what lies behind it, so it must be
  /// drawn after the opaque ones.
  virtual bool IsTransparent() const = 0;
  /// The texture of a stage, or null.
  virtual cSprite* GetTexture(int stage) const = 0;

  /// The world the material is registered with, or null.
  cWorld* GetWorld() const { return m_World; }

 private:
  friend class cWorld;

  cWorld* m_World = nullptr;
};
