/* novaflux C interface: one rating object per handle, properties by their interface names.
 * Every function returns 0 on success unless said otherwise; on failure the object keeps the
 * error text for kiv_last_error. Booleans read back as -1 (True) and 0 (False); writing any
 * nonzero value stores True. */
#ifndef NOVAFLUX_KIV_H
#define NOVAFLUX_KIV_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KivObject KivObject;

KivObject* kiv_create(void);
void kiv_destroy(KivObject* object);

int kiv_put(KivObject* object, const char* name, double value);
int kiv_get(KivObject* object, const char* name, double* value);
/* Property access by number, for hosts that set many properties: the DISPID of a property in
 * the interface table (-1 for an unknown name), then put and get by it, with the failures of
 * kiv_put and kiv_get (an unknown DISPID is one). */
int kiv_property_id(const char* name);
int kiv_put_id(KivObject* object, int dispid, double value);
int kiv_get_id(KivObject* object, int dispid, double* value);
int kiv_put_text(KivObject* object, const char* name, const char* text);
/* Copies the value as text into buf (always NUL-terminated when size > 0); returns the length
 * the text needs without the NUL, or a negative number on failure. */
int kiv_get_text(KivObject* object, const char* name, char* buf, size_t size);

/* CalculateOutput, CalculateOutputModel, EffectivenessCalculate, EffectivenessCalculateold,
 * EATRValue. 0: the call succeeded; nonzero: it failed, see kiv_last_error. */
int kiv_call(KivObject* object, const char* method);
int kiv_pdrop_other_calculate(KivObject* object, double vs, double vr, double face_area_net,
                              double* result);
int kiv_formula_interpulation(KivObject* object, const char* sql_bracket, double x1, double x2,
                              const char* main_value, double* result);

/* The error text of the object's last failed call ("" after a success). With a null object:
 * the last failure of kiv_create or kiv_set_catalogue on this thread. */
const char* kiv_last_error(const KivObject* object);
/* The automation error number of the object's last failed call (0 after a success). */
int kiv_last_error_number(const KivObject* object);

/* Use this catalogue file instead of NOVAFLUX.db in the component's folder; NULL or "" restores
 * the default. */
int kiv_set_catalogue(const char* path);
/* The interface table as JSON. */
const char* kiv_describe(void);
/* The component's release, "MAJOR.MINOR.PATCH" (the type library keeps its own version). */
const char* kiv_version(void);

#ifdef __cplusplus
}
#endif

#endif
