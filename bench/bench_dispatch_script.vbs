' Calls per second of GetPosition made by Wine's VBScript host on one simulated card:
'   cscript //nologo bench_dispatch_script.vbs [seconds]
' Each measurement repeats its loop until it has run for the given time (default 2 s).
' The rate counts the whole loop, as a script sees it; the call's own cost is the
' difference to the same loop with a plain assignment in place of the call.
Option Explicit

Dim o, seconds, p
seconds = 2
If WScript.Arguments.Count > 0 Then seconds = CDbl(WScript.Arguments(0))

Function Elapsed(start)
    Elapsed = Timer - start
    If Elapsed < 0 Then Elapsed = Elapsed + 86400
End Function

' Seconds per iteration of a loop of count iterations, measured over about seconds.
Function PerCall(what)
    Dim start, count, i, t
    count = 0
    start = Timer
    Do
        Select Case what
            Case "loop"
                For i = 1 To 1000
                    p = i
                Next
            Case "GetPosition"
                For i = 1 To 1000
                    p = o.GetPosition(0)
                Next
            Case "RunState"
                For i = 1 To 1000
                    p = o.RunState(0)
                Next
        End Select
        count = count + 1000
        t = Elapsed(start)
    Loop While t < seconds
    PerCall = t / count
End Function

Set o = CreateObject("VORN305Q.Vorn305qCtrl.1")
If o.InitCard(0) <> 0 Then
    WScript.Echo "InitCard(0) failed: is VORN305Q_SIMULATOR set?"
    WScript.Quit 1
End If
o.SetPosition 0, 12345

Dim loopCost, name
loopCost = PerCall("loop")
WScript.Echo "empty loop: " & FormatNumber(loopCost * 1000000, 3) & " us an iteration"
For Each name In Array("GetPosition", "RunState")
    Dim cost
    cost = PerCall(name)
    WScript.Echo name & " through VBScript: " & FormatNumber(1 / cost, 0) & " calls/s, " & _
                 FormatNumber(cost * 1000000, 2) & " us an iteration, " & _
                 FormatNumber((cost - loopCost) * 1000000, 2) & " us above the empty loop"
Next
o.CloseCard
Set o = Nothing
