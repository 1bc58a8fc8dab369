#pragma once

#include <cstdint>

#include <varnlib.h>

#include "tolmak_color.h"
#include "tolmak_entity.h"
#include "tolmak_export.h"

/// The entity that lights the world: a kind, three colours, range, falloff,
/// attenuation, the spot cone and a priority, stored for the renderer.
/// Concrete lights come from plug-in libraries and set the kind.
///
/// The setters store what they are given, except that SetTheta and SetPhi
/// keep theta no greater than phi (the property setters and copying do
/// not). Nothing else in the library reads these values.
///
/// The light adds nothing to the entity stream: Save writes what a plain
/// entity writes and Load leaves the light's own values alone; they reach
/// outside through the property sheet.
class TOLMAK_API cLight : public cEntity {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  /// Type 0 (no kind yet), ambient clGray, diffuse clSilver, specular
  /// clWhite, range 1000, falloff 1, attenuations 1, 0, 0, theta 45, phi 50,
  /// priority 0.
  cLight();
  /// Copies the entity part as cEntity does, then every value, priority
  /// included, as it stands (theta may then exceed phi).
  cLight(const cLight& other);
  cLight& operator=(const cLight& other);
  ~cLight() override;

  /// A cVideo3D::ELight value once a concrete light has set it; 0 before.
  int GetType() const { return m_Type; }

  cColor GetAmbient() { return m_Ambient; }
  cColor GetDiffuse() { return m_Diffuse; }
  cColor GetSpecular() { return m_Specular; }
  void SetAmbient(cColor color) { m_Ambient = color; }
  void SetDiffuse(cColor color) { m_Diffuse = color; }
  void SetSpecular(cColor color) { m_Specular = color; }

  float GetRange() const { return m_Range; }
  float GetFallOff() const { return m_FallOff; }
  /// Constant, linear and quadratic attenuation.
  float GetConstant() const { return m_Constant; }
  float GetLinear() const { return m_Linear; }
  float GetQuad() const { return m_Quad; }
  /// Inner and outer cone angles, stored as given.
  float GetTheta() const { return m_Theta; }
  float GetPhi() const { return m_Phi; }
  void SetRange(float range) { m_Range = range; }
  void SetFallOff(float falloff) { m_FallOff = falloff; }
  void SetConstant(float attenuation) { m_Constant = attenuation; }
  void SetLinear(float attenuation) { m_Linear = attenuation; }
  void SetQuad(float attenuation) { m_Quad = attenuation; }
  /// Raises phi to theta when theta exceeds it; an unordered comparison
  /// (NaN) leaves phi.
  void SetTheta(float theta);
  /// Lowers theta to phi when phi is below it; an unordered comparison
  /// (NaN) leaves theta.
  void SetPhi(float phi);

  /// Not read by the library.
  int GetPriority() const { return m_Priority; }
  void SetPriority(int priority) { m_Priority = priority; }

 protected:
  /// The named object's properties, then "Type" (int, read-only),
  /// "Ambient", "Diffuse", "Specular" (cColor), "Range", "Falloff",
  /// "ConstantAttenuation", "LinearAttenuation", "QuadricAttenuation",
  /// "Theta" and "Phi" (floats). Priority is not published.
  void AddProperties(cPropertySheet* sheet) override;

  /// How a concrete light class gives itself its kind (a cVideo3D::ELight
  /// value); nothing else changes the type but copying.
  void SetType(int type) { m_Type = type; }

  // Each exchanges the value its property names: an int, a cColor or a
  // float. The setters store as given: no theta/phi rule.
  void GetPropertyType(void* value);
  void GetPropertyAmbient(void* value);
  void SetPropertyAmbient(void* value);
  void GetPropertyDiffuse(void* value);
  void SetPropertyDiffuse(void* value);
  void GetPropertySpecular(void* value);
  void SetPropertySpecular(void* value);
  void GetPropertyRange(void* value);
  void SetPropertyRange(void* value);
  void GetPropertyFalloff(void* value);
  void SetPropertyFalloff(void* value);
  void GetPropertyAttenuation0(void* value);
  void SetPropertyAttenuation0(void* value);
  void GetPropertyAttenuation1(void* value);
  void SetPropertyAttenuation1(void* value);
  void GetPropertyAttenuation2(void* value);
  void SetPropertyAttenuation2(void* value);
  void GetPropertyTheta(void* value);
  void SetPropertyTheta(void* value);
  void GetPropertyPhi(void* value);
  void SetPropertyPhi(void* value);

 private:
  /// Everything but the entity part.
  void CopyFields(const cLight& other);

  int32_t m_Type = 0;
  cColor m_Ambient;
  cColor m_Diffuse;
  cColor m_Specular;
  float m_Range = 1000.0f;
  float m_FallOff = 1.0f;
  float m_Constant = 1.0f;
  float m_Linear = 0.0f;
  float m_Quad = 0.0f;
  float m_Theta = 45.0f;
  float m_Phi = 50.0f;
  int32_t m_Priority = 0;
};
