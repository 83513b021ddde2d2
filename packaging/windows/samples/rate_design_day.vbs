' Rates the SI design day of the novaflux examples through the registered COM server and prints
' the wheel chosen and some results, "name = value" with the names of the interface.
'   cscript //nologo rate_design_day.vbs
' The 64-bit cscript (C:\Windows\System32) needs the win64 server registered, the 32-bit one
' (C:\Windows\SysWOW64) the win32 server. A failing rating raises the component's error number
' and text (Err.Number, Err.Description); warnings stay in KivOutErrorCode and KivOutErrorMsg.
Option Explicit
Dim k
Set k = CreateObject("Novaflux_Q_480_Conden_3_5_17.KivClass")

' Airflows in m3/h and temperatures in degrees C, as KivunitSI = True says.
k.KivunitSI = True
k.KivinputSupplyAir = 10000
k.KivinputReturnAir = 9000
k.KivinputAltitude = 200
k.KivinputLeakagePressureDifference = 200
k.KivPurgeWithout = False
' Outdoor and return air as dry bulb and relative humidity, summer and winter.
k.KivinputOAUnitDBTRH = True
k.KivinputRAUnitDBTRH = True
k.KivinputOAS_DBT = 35
k.KivinputOAS_RH = 40
k.KivinputOAW_DBT = -10
k.KivinputOAW_RH = 80
k.KivinputRaS_DBT = 24
k.KivinputRaS_RH = 50
k.KivinputRaW_DBT = 21
k.KivinputRaW_RH = 40

On Error Resume Next
k.CalculateOutput
If Err.Number <> 0 Then
  WScript.Echo "error " & Err.Number & ": " & Err.Description
  WScript.Quit 2
End If
On Error GoTo 0

WScript.Echo "KivOutNOVAFLUXModel = " & k.KivOutNOVAFLUXModel
WScript.Echo "KivoutSaS_DBT = " & k.KivoutSaS_DBT
WScript.Echo "KivoutSaS_RH = " & k.KivoutSaS_RH
WScript.Echo "KivoutSaW_DBT = " & k.KivoutSaW_DBT
WScript.Echo "KivoutSaW_RH = " & k.KivoutSaW_RH
WScript.Echo "KivoutSaVelocity = " & k.KivoutSaVelocity
WScript.Echo "KivoutSaPDrop = " & k.KivoutSaPDrop
WScript.Echo "KivoutRaPDrop = " & k.KivoutRaPDrop
WScript.Echo "KivoutLeakageEatr = " & k.KivoutLeakageEatr
WScript.Echo "KivoutLeakageOacf = " & k.KivoutLeakageOacf
WScript.Echo "KivoutERWithWheelTotalSummer_KW = " & k.KivoutERWithWheelTotalSummer_KW
WScript.Echo "KivoutERWithWheelTotalWinter_KW = " & k.KivoutERWithWheelTotalWinter_KW
If k.KivOutErrorCode <> 0 Then WScript.Echo "warning " & k.KivOutErrorCode & ": " & k.KivOutErrorMsg
