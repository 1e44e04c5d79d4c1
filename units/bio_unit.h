// BioUnit: one fingerprint reader, as the rest of the program drives it.
//
// Units are made only by the discovery (unit_list.h) and held through std::shared_ptr. Status
// results follow the plug-in ABI: 0 is success, anything else failure.
//
// Thread rules: no operation locks. The capture worker and the window's destroy handler may call
// Disconnect on the same unit at the same time as Connect or SensorCaptureSample; the plug-in
// must accept that.
#ifndef VELMORA_UNITS_BIO_UNIT_H_
#define VELMORA_UNITS_BIO_UNIT_H_

#include <stdint.h>

#include <string>

class BioUnit {
 public:
  virtual ~BioUnit() {}

  // The slot order below is part of the design: the second text's getter comes first.
  virtual std::string GetText2() const = 0;
  virtual std::string GetText1() const = 0;
  virtual int32_t GetValue1() const = 0;
  virtual int32_t GetValue2() const = 0;
  virtual int32_t GetValue3() const = 0;
  virtual int32_t GetValue4() const = 0;
  virtual int32_t Connect(int32_t v1, int32_t v2, int32_t v3) = 0;
  virtual int32_t Disconnect() = 0;
  virtual int32_t Cancel() = 0;
  // *sample receives bytes owned by the plug-in; they stay valid while its library is loaded.
  virtual int32_t SensorCaptureSample(int32_t v1, int32_t v2, unsigned char** sample, int32_t* sampleSize,
                                      int32_t* reserved) = 0;
  virtual int32_t ExtractSample(int32_t v1, int32_t v2, int32_t v3, int32_t v4, int32_t v5, int32_t v6,
                                int32_t v7, int32_t v8) = 0;
  virtual int32_t Free(void* memory) = 0;
};

#endif  // VELMORA_UNITS_BIO_UNIT_H_
