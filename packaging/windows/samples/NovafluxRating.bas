Attribute VB_Name = "NovafluxRating"
' Excel VBA: the SI design day rated with the novaflux COM server, early bound and late bound,
' the results written to the active sheet.
'
' Import: Visual Basic editor (Alt+F11), File > Import File..., NovafluxRating.bas. 32-bit Office
' needs the win32 server registered, 64-bit Office the win64 one (register.cmd registers both).
' Early binding also needs Tools > References > Novaflux_Q_480_Conden_3_5_17 (the type library
' inside novaflux.dll); late binding needs only the registration.
'
' A failing rating raises a run-time error: Err.Number is the component's failure number (6
' overflow, 11 division by zero, 13 type mismatch, 3001 catalogue, 3021 no performance curve,
' 3200 unusable input, 3400 model not in the catalogue, ...) and Err.Description its text.
' Warnings are no errors: they are the properties KivOutErrorCode and KivOutErrorMsg.
Option Explicit

' Early bound: the names are checked when the module compiles and the editor lists them.
Public Sub RateDesignDayEarlyBound()
    Dim k As Novaflux_Q_480_Conden_3_5_17.KivClass
    Set k = New Novaflux_Q_480_Conden_3_5_17.KivClass
    SetDesignDay k
    On Error GoTo Failed
    k.CalculateOutput
    On Error GoTo 0
    WriteResults k, ActiveSheet.Range("A1")
    Exit Sub
Failed:
    ReportFailure "early bound", Err.Number, Err.Description
End Sub

' Late bound: no reference needed, and any registered version serves.
Public Sub RateDesignDayLateBound()
    Dim k As Object
    On Error GoTo NotRegistered
    Set k = CreateObject("Novaflux_Q_480_Conden_3_5_17.KivClass")
    On Error GoTo 0
    SetDesignDay k
    ' A fixed model instead of the selection: KivinputModel and CalculateOutputModel.
    k.KivinputModel = 66    ' TXL_1400_Q_480_Condensation of the enumeration Modelall
    On Error GoTo Failed
    k.CalculateOutputModel
    On Error GoTo 0
    WriteResults k, ActiveSheet.Range("D1")
    Exit Sub
NotRegistered:
    ReportFailure "CreateObject: is the server of Office's bitness registered?", Err.Number, Err.Description
    Exit Sub
Failed:
    ReportFailure "late bound", Err.Number, Err.Description
End Sub

' The SI design day: airflows in m3/h, temperatures in degrees C, RH in %.
Private Sub SetDesignDay(ByVal k As Object)
    k.KivunitSI = True
    k.KivinputSupplyAir = 10000
    k.KivinputReturnAir = 9000
    k.KivinputAltitude = 200
    k.KivinputLeakagePressureDifference = 200
    k.KivPurgeWithout = False
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
End Sub

Private Sub WriteResults(ByVal k As Object, ByVal target As Range)
    target.Resize(1, 2).Value = Array("Model", k.KivOutNOVAFLUXModel)
    target.Offset(1).Resize(1, 2).Value = Array("Supply air leaving, summer, C", k.KivoutSaS_DBT)
    target.Offset(2).Resize(1, 2).Value = Array("Supply air leaving, winter, C", k.KivoutSaW_DBT)
    target.Offset(3).Resize(1, 2).Value = Array("Supply pressure drop, Pa", k.KivoutSaPDrop)
    target.Offset(4).Resize(1, 2).Value = Array("Recovered, winter, kW", k.KivoutERWithWheelTotalWinter_KW)
    target.Offset(5).Resize(1, 2).Value = Array("EATR, %", k.KivoutLeakageEatr)
    If k.KivOutErrorCode <> 0 Then
        target.Offset(6).Resize(1, 2).Value = Array("Warning " & k.KivOutErrorCode, k.KivOutErrorMsg)
    End If
End Sub

Private Sub ReportFailure(ByVal where As String, ByVal number As Long, ByVal description As String)
    MsgBox "novaflux error " & number & ": " & description, vbExclamation, where
End Sub
