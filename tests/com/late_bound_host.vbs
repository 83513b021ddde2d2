' A late-bound host, as VBScript and VBA hosts use the component: every name is looked up
' through IDispatch at run time. The test writes the input statements and the properties to
' print in place of the two marker lines (Wine's VBScript has no Execute or Eval). Argument:
' the method to run, or "checks" for a few answers of the dispatch interface.
Option Explicit
Dim obj, v, failed
Set obj = CreateObject("Novaflux_Q_480_Conden_3_5_17.KivClass")
'INPUTS
On Error Resume Next
Select Case WScript.Arguments(0)
  Case "CalculateOutput" obj.CalculateOutput
  Case "CalculateOutputModel" obj.CalculateOutputModel
  Case "checks"
    obj.KivOutErrorMsg = Null
    WScript.Echo "null=" & Err.Number & "|" & Err.Description
    Err.Clear
    obj.KivinputRAUnitDBTWBT = True
    v = obj
    WScript.Echo "default=" & CStr(v)
    obj.KivPurgeWithout = 1
    WScript.Echo "nonzero=" & CStr(obj.KivPurgeWithout) & " " & CInt(obj.KivPurgeWithout)
    WScript.Echo "pdrop=" & obj.PdropOtherCalculate(2.5, 2.5, 1.2) & " " & Err.Number
    WScript.Quit 0
End Select
failed = Err.Number & "|" & Err.Description
If Err.Number = 0 Then failed = ""
On Error GoTo 0
'OUTPUTS
WScript.Echo "error=" & failed
