' A late-bound host, as VBScript and VBA hosts use the component: every name is looked up
' through IDispatch at run time. The test writes the statements of its cases and one output
' statement per property in place of the two marker lines (Wine's VBScript has no Execute or
' Eval). Each case prints "CASE|name=value" lines and its error; "checks|..." lines give a few
' answers of the dispatch interface.
Option Explicit
Dim obj, v

Function RunMethod(obj, method)
  On Error Resume Next
  If method = "CalculateOutputModel" Then obj.CalculateOutputModel Else obj.CalculateOutput
  RunMethod = ""
  If Err.Number <> 0 Then RunMethod = Err.Number & "|" & Err.Description
End Function

Sub Report(c, obj, failed)
'OUTPUTS
  WScript.Echo c & "|error=" & failed
End Sub

Sub Checks()
  Set obj = CreateObject("Novaflux_Q_480_Conden_3_5_17.KivClass")
  On Error Resume Next
  obj.KivOutErrorMsg = Null
  WScript.Echo "checks|null=" & Err.Number & "|" & Err.Description
  Err.Clear
  obj.KivinputRAUnitDBTWBT = True
  v = obj
  WScript.Echo "checks|default=" & CStr(v)
  obj.KivPurgeWithout = 1
  WScript.Echo "checks|nonzero=" & CStr(obj.KivPurgeWithout) & " " & CInt(obj.KivPurgeWithout)
  WScript.Echo "checks|pdrop=" & obj.PdropOtherCalculate(2.5, 2.5, 1.2) & " " & Err.Number
End Sub

'CASES
Checks
